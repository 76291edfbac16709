insert into jur.t_contractor_rating (id_contractor, id_criterion, n_rating)
values (:id_contractor, :id_criterion, :n_rating)
returning id, id_contractor, id_criterion, n_rating, n_row_version
