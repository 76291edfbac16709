insert into jur.t_cont_cont_type (id_contractor, id_contractor_type)
values (:id_contractor, :id_contractor_type)
returning id_contractor, id_contractor_type, n_row_version
