update jur.t_contractor_rating
   set n_rating = :n_rating
 where id = :id and n_row_version = :n_row_version
returning id, id_contractor, id_criterion, n_rating, n_row_version
