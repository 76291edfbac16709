-- A data set without the request document column sends null: the stored
-- choice stays. The editor sends 0 to clear it.
with stored as (
    update jur.t_contractor
       set c_name = :c_name,
           id_class = :id_class,
           id_prev = :id_prev,
           c_comment = :c_comment,
           n_audit_frequency = coalesce(:n_audit_frequency, 0),
           id_request_doc = case when :id_request_doc is null then id_request_doc
                                 else nullif(:id_request_doc, 0) end
     where id = :id and n_row_version = :n_row_version
    returning *
)
select s.id, s.c_name, inn.c_value as c_inn, rt.n_rating, s.id_class, s.id_prev,
       s.c_comment, s.n_audit_frequency, s.id_request_doc, s.n_row_version
  from stored s
  left join jur.t_contractor_requis inn on inn.id_contractor = s.id and inn.id_requisite = 1
  left join jur.v_contractor_rating rt on rt.id_contractor = s.id
